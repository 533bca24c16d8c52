/* Test plug-ins that are not image or archive plug-ins, or not plug-ins at all. Variants:
     VERSION="..."    the version entry; with ENDLESS every entry from 2 on exists ("*.ab", "AB file")
     NO_PLUGIN_INFO   no GetPluginInfo export at all
     USE_HELPER       the version comes from vvhelper.dll, which must lie beside the plug-in */
#include "TestSpi.h"

#ifdef USE_HELPER
__declspec(dllimport) const char* VVHelperVersion(void);
#define VERSION VVHelperVersion()
#endif

#ifdef NO_PLUGIN_INFO
SPI_EXPORT int WINAPI IsSupported(LPCSTR filename, DWORD_PTR dw) {
    (void)filename, (void)dw;
    return 1;
}
#else
SPI_EXPORT int WINAPI GetPluginInfo(int infono, LPSTR buf, int buflen) {
    if (infono == 0) return CopyInfoText(VERSION, buf, buflen, 1, 0);
    if (infono == 1) return CopyInfoText("VV test plug-in of another kind", buf, buflen, 1, 0);
#ifdef ENDLESS
    /* Never runs out of formats. */
    return CopyInfoText(infono % 2 == 0 ? "*.ab" : "AB file", buf, buflen, 1, 0);
#else
    return 0;
#endif
}
#endif
