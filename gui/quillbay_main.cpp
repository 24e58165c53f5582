// quillbay: the operator's MSP430 flash programmer.

#include "gui/programmer_app.h"

int main(int argc, char** argv) {
    return gui::QuillbayMain(argc, argv);
}
