// The library's header must compile as C++ without a warning.
#include "quillcore.h"

int QuillcoreHeaderCheckCxx();
int QuillcoreHeaderCheckCxx() {
    return QUILLCORE_REPORT_SIZE + QUILLCORE_SETUP_SIZE;
}
