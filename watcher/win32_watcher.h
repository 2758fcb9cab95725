// The watcher, MirokanWatch.exe: photographs the user's desktop shortly before the system's
// idle timeout starts the saver on a desktop of its own, and keeps the picture in memory for
// that session until the user is back.
#pragma once

namespace mirokan::win32 {

// The command line: none runs the watcher (once a session: a second start ends at once),
// "/on" makes it start at every logon and starts it now, "/off" stops it and undoes that.
// The exit code: 0, or 1 when /on or /off could not do their part.
int WatcherMain(const wchar_t* command_line);

}  // namespace mirokan::win32
