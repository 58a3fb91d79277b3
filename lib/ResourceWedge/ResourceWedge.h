#pragma once
// The resource wedge: replacements of 24 system functions through which the program gets
// its strings, dialogs, menus, accelerator tables and message boxes. Until the language
// start-up has filled g_WedgeImpl they pass every call to the system; afterwards they hand
// out the language versions (translated once and kept in the resource cache) and show
// message boxes in the program's own window. The program's calls reach them through its
// import pointers (ImportBinding.cpp); they reach the system functions by name. None throws:
// when the wedge fails on the way, the system's function takes the call
// (ReplacementGuard.h). Any thread.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

namespace ResourceWedge {

int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax);
int WINAPI LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);
HACCEL WINAPI LoadAcceleratorsA(HINSTANCE instance, LPCSTR name);
HACCEL WINAPI LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name);
HMENU WINAPI LoadMenuA(HINSTANCE instance, LPCSTR name);
HMENU WINAPI LoadMenuW(HINSTANCE instance, LPCWSTR name);
HWND WINAPI CreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM param);
HWND WINAPI CreateDialogParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param);
INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM param);
INT_PTR WINAPI DialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param);
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style);
int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style);
int WINAPI MessageBoxExA(HWND owner, LPCSTR text, LPCSTR caption, UINT style, WORD language);
int WINAPI MessageBoxExW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style, WORD language);
HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HRSRC WINAPI FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language);
HRSRC WINAPI FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language);
HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
HPROPSHEETPAGE WINAPI CreatePropertySheetPageA(LPCPROPSHEETPAGEA page);
HPROPSHEETPAGE WINAPI CreatePropertySheetPageW(LPCPROPSHEETPAGEW page);
BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE page);
INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA header);
INT_PTR WINAPI PropertySheetW(LPCPROPSHEETHEADERW header);

} // namespace ResourceWedge
