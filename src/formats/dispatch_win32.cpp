// dispatch_win32.cpp — the load table's rows that Windows decodes.
#include "formats/dispatch_table.h"
#include "formats/sysload_win32.h"

ImgLoader img_PlatformLoader(int id) {
    switch (id) {
    case IMG_LD_BMP_SYSTEM: return bmp_LoadSystem;
    case IMG_LD_SYSTEM_IMAGE: return img_LoadSystemImage;
    case IMG_LD_ICON: return ico_Load;
    case IMG_LD_EMF: return emf_Load;
    case IMG_LD_PICTURE: return pic_LoadSystem;
    default: return nullptr;
    }
}
