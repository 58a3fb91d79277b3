// Binds the program to the resource wedge when it is linked. The program's code calls an
// imported system function through its import pointer (__imp_Name on x86_64,
// __imp__Name@N on i686, N the bytes of arguments). Defining those pointers here, holding
// the replacements' addresses, makes every call of the program's own code (and of the code
// linked statically into it) reach the wedge instead of the system, without patching
// anything at run time; the wedge still reaches the system functions by name. Any program
// that links the wedge library gets this object (see the -u option in CMakeLists.txt).
#include "lib/ResourceWedge/ResourceWedge.h"

#ifdef _WIN64
#define FENNEL_IMPORT_POINTER(name, bytes) "__imp_" #name
#else
#define FENNEL_IMPORT_POINTER(name, bytes) "__imp__" #name "@" #bytes
#endif

// The pointer's type is the system function's own, so a replacement with another signature
// doesn't compile.
#define FENNEL_BIND(name, bytes)                                                                \
    extern "C" decltype(&::name) const fennel_bound_##name __asm__(FENNEL_IMPORT_POINTER(name, bytes)); \
    decltype(&::name) const fennel_bound_##name = &ResourceWedge::name

FENNEL_BIND(CreateDialogParamA, 20);
FENNEL_BIND(CreateDialogParamW, 20);
FENNEL_BIND(DialogBoxParamA, 20);
FENNEL_BIND(DialogBoxParamW, 20);
FENNEL_BIND(LoadStringA, 16);
FENNEL_BIND(LoadStringW, 16);
FENNEL_BIND(MessageBoxA, 16);
FENNEL_BIND(MessageBoxW, 16);
FENNEL_BIND(MessageBoxExA, 20);
FENNEL_BIND(MessageBoxExW, 20);
FENNEL_BIND(LoadAcceleratorsA, 8);
FENNEL_BIND(LoadAcceleratorsW, 8);
FENNEL_BIND(LoadMenuA, 8);
FENNEL_BIND(LoadMenuW, 8);
FENNEL_BIND(FindResourceA, 12);
FENNEL_BIND(FindResourceW, 12);
FENNEL_BIND(FindResourceExA, 16);
FENNEL_BIND(FindResourceExW, 16);
FENNEL_BIND(LoadResource, 8);
FENNEL_BIND(CreatePropertySheetPageA, 4);
FENNEL_BIND(CreatePropertySheetPageW, 4);
FENNEL_BIND(DestroyPropertySheetPage, 4);
FENNEL_BIND(PropertySheetA, 4);
FENNEL_BIND(PropertySheetW, 4);

// Named by the link option that pulls this object into every program linking the wedge.
extern "C" const int fennel_wedge_binding __asm__("fennel_wedge_binding");
const int fennel_wedge_binding = 24;
