// The saver's settings: the background-music choice kept in a profile (INI) file beside
// the program, and the rules for reading it back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mirokan {

struct Settings {
  std::int16_t BGMKind = 0;    // 0 none, 1 audio CD, 2 music file; other values play nothing
  std::int16_t BGMRepeat = 0;  // CD track to repeat, 0 for the whole disc
  std::string BGMFile;         // UTF-8 path of the MP3 or WAV file
  // Where the saver locks the machine on resume, the tunnel shows the wallpaper unless the
  // user asked for the desktop anyway (it would show their open windows to a passer-by).
  bool ShowDesktopWhenLocked = false;
  bool operator==(const Settings&) const = default;
};

inline constexpr std::int16_t kBgmNone = 0;
inline constexpr std::int16_t kBgmCd = 1;
inline constexpr std::int16_t kBgmFile = 2;

inline constexpr char kSettingsFileName[] = "\\Mirokan.ini";
inline constexpr char kSettingsSection[] = "Section";
inline constexpr char kKeyBgmKind[] = "BGM区分";
inline constexpr char kKeyBgmRepeat[] = "BGMﾘﾋﾟｰﾄ";
inline constexpr char kKeyBgmFile[] = "BGMﾌｧｲﾙ";
// The music file's whole path when the code page cannot hold it and it has no short form
// that it can: its UTF-8 bytes percent-encoded, so the line stays ASCII in any code page.
// Older readers ignore it and see the code page's form of the path under kKeyBgmFile.
inline constexpr char kKeyBgmFileUtf8[] = "BGMﾌｧｲﾙ.UTF-8";
// Not written by the dialog: a file without it means the wallpaper.
inline constexpr char kKeyShowDesktopWhenLocked[] = "ShowDesktopWhenLocked";

// A value read back is at most this many bytes of the ANSI code page (whole characters).
inline constexpr std::size_t kProfileValueLimit = 255;
// Section and key names handed to the writer are cut to this many characters.
inline constexpr std::size_t kProfileNameLimit = 128;

// The platform's profile-string functions, by file path.
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  // The value, or empty text when the file, the section or the key is missing; longer
  // values come back cut to kProfileValueLimit bytes.
  virtual std::string ReadString(std::string_view section, std::string_view key,
                                 std::string_view path) = 0;
  // The same without the 255-byte cut, for the added key's encoded path.
  virtual std::string ReadLongString(std::string_view section, std::string_view key,
                                     std::string_view path) = 0;
  // Creates the file and section as needed; false when the write failed.
  virtual bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                           std::string_view path) = 0;
};

// The forms a path can take in the settings file, whose text is in the ANSI code page.
class PathForms {
 public:
  virtual ~PathForms() = default;
  // The text as the code page holds it: unchanged when it can, else with the platform's
  // stand-ins for the characters it lacks.
  virtual std::string InCodePage(std::string_view text) = 0;
  // The path's short (8.3) form, or empty when its volume keeps none.
  virtual std::string ShortForm(std::string_view path) = 0;
};

// Whether a file can be opened for sequential reading.
class FileProbe {
 public:
  virtual ~FileProbe() = default;
  virtual bool CanOpenForReading(std::string_view path) = 0;
};

// The settings file of a program folder: the folder and "\Mirokan.ini" joined as they are
// (a folder ending in a backslash gives a doubled one, which the platform accepts).
std::string SettingsFilePath(std::string_view program_folder);

std::string ReadIniValue(ProfileStore& store, std::string_view section, std::string_view key,
                         std::string_view path);
// False when the platform could not write it (a read-only file, a full disk).
bool WriteIniValue(ProfileStore& store, std::string_view section, std::string_view key,
                   std::string_view value, std::string_view path);

// True when the file can be opened for reading; one trailing backslash is ignored.
bool FileExists(FileProbe& probe, std::string_view path);

// "ShowDesktopWhenLocked": a number other than 0 asks for the desktop.
bool ReadShowDesktopWhenLocked(ProfileStore& store, std::string_view program_folder);

// Reads the four values into `settings`. A value that is not a number, or whose integer
// part does not fit 16 bits, leaves its field as it was; the file kind without a file falls
// back to none. The file is not tested here: a drive unplugged while the dialog is open must
// not cost the user the choice (the session tests it when it starts the music).
void LoadSettings(Settings& settings, ProfileStore& store, PathForms& forms,
                  std::string_view program_folder);

// Writes all three keys in their fixed order, whatever the kind; false when any write failed.
// A music file the code page cannot hold is written in its short form, or else in the code
// page's form with its whole path under kKeyBgmFileUtf8.
bool SaveSettings(const Settings& settings, ProfileStore& store, PathForms& forms,
                  std::string_view program_folder);

// Percent-encoding of UTF-8 text into printable ASCII, and back; nullopt for a broken escape.
// (A path neither starts nor ends with the blanks or quotes the profile functions strip.)
std::string PercentEncoded(std::string_view text);
std::optional<std::string> PercentDecoded(std::string_view text);

// The repeat box's text as a track number: numeric text rounded to 16 bits (halves to
// even), anything else, and numbers beyond 16 bits, 0.
std::int16_t RepeatFromText(std::string_view text);

}  // namespace mirokan
