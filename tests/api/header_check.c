/* The library's header must compile as strict C99 without a warning. */
#include "quillcore.h"

int quillcore_header_check_c(void);
int quillcore_header_check_c(void) {
    return QUILLCORE_REPORT_SIZE + QUILLCORE_SETUP_SIZE;
}
