// OpenGL 1.1 and GLU for the portable scene. Windows' GL headers pull in <windows.h> unless
// the calling-convention macros exist already; the scene needs nothing else of it. A win32_
// file includes <windows.h> before this header, so the macros come from there.
#pragma once

#if defined(_WIN32)
#ifndef APIENTRY
#define APIENTRY __stdcall
#endif
#ifndef WINGDIAPI
#define WINGDIAPI __declspec(dllimport)
#endif
#ifndef CALLBACK
#define CALLBACK __stdcall
#endif
#endif

#include <GL/gl.h>
#include <GL/glu.h>
