// Calling conventions and export decoration of the Excel add-in interface.
//
// 32-bit Windows: Excel4v and every procedure Excel calls in the add-in (entry points,
// worksheet functions, commands) are __stdcall; Excel4 is __cdecl because it is variadic.
// Exports keep their undecorated names (the build links with --kill-at).
// x64 Windows and Linux have one calling convention, so the macros expand to nothing there.
#pragma once

#if defined(_WIN32)
#define XL_PASCAL __stdcall
#define XL_CDECL __cdecl
#define KV_EXPORT extern "C" __declspec(dllexport)
#else
#define XL_PASCAL
#define XL_CDECL
#define KV_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// An entry point, worksheet function or command procedure that Excel calls by name.
#define KV_ENTRY(result_type) KV_EXPORT result_type XL_PASCAL
