#pragma once
// The system functions behind the wedge's 24 replacements (and the few others it calls by
// name), one RealFunction each.
#include "lib/ResourceWedge/RealFunction.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

namespace ResourceWedge::Real {

#define FENNEL_REAL(module, name) inline RealFunction<decltype(&::name)> name{module, #name}

FENNEL_REAL("user32", CreateDialogParamA);
FENNEL_REAL("user32", CreateDialogParamW);
FENNEL_REAL("user32", DialogBoxParamA);
FENNEL_REAL("user32", DialogBoxParamW);
FENNEL_REAL("user32", LoadStringA);
FENNEL_REAL("user32", LoadStringW);
FENNEL_REAL("user32", MessageBoxA);
FENNEL_REAL("user32", MessageBoxW);
FENNEL_REAL("user32", MessageBoxExA);
FENNEL_REAL("user32", MessageBoxExW);
FENNEL_REAL("user32", LoadAcceleratorsA);
FENNEL_REAL("user32", LoadAcceleratorsW);
FENNEL_REAL("user32", LoadMenuA);
FENNEL_REAL("user32", LoadMenuW);
FENNEL_REAL("kernel32", FindResourceA);
FENNEL_REAL("kernel32", FindResourceW);
FENNEL_REAL("kernel32", FindResourceExA);
FENNEL_REAL("kernel32", FindResourceExW);
FENNEL_REAL("kernel32", LoadResource);
FENNEL_REAL("comctl32", CreatePropertySheetPageA);
FENNEL_REAL("comctl32", CreatePropertySheetPageW);
FENNEL_REAL("comctl32", DestroyPropertySheetPage);
FENNEL_REAL("comctl32", PropertySheetA);
FENNEL_REAL("comctl32", PropertySheetW);

#undef FENNEL_REAL

} // namespace ResourceWedge::Real
