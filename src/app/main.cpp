// quillstone: the editor.
#include "app/forms/WindowModes.h"

int main(int argc, char** argv) {
    return qs::QuillstoneMain(argc, argv);
}
