// keywatchd's binding of the dialog library libkeydialogs.
#include "Qv_Intefs.h"

#include "LibraryLookup.h"
#include "paths.h"

void *hP11Win = NULL;

// The dialog library and the AppKit under it register Objective-C classes.
// Unmapping them at dlclose would leave the runtime's class table pointing into
// freed memory (the next class lookup crashes), so they stay mapped, as macOS
// keeps every image that holds Objective-C code.
static const int kDialogsLoadMode = RTLD_LAZY | RTLD_NODELETE;

int InitedP11Wnd(const char *path)
{
    hP11Win = OpenLibrary(path, KT_KEYDIALOGS_PATH, KT_KEYDIALOGS_LOADER_NAME, kDialogsLoadMode);
    return hP11Win ? 0 : 1;
}

void UnInitP11(void)
{
    if (hP11Win) {
        dlclose(hP11Win);
        hP11Win = NULL;
    }
}

void showTipWindow(void *value)
{
    typedef void (*Function)(void *);
    Function function = LibraryFunction<Function>(hP11Win, "showTipWindow");
    if (function)
        function(value);
}
