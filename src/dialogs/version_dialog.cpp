// The version dialog: the program's title, version and edition; it changes nothing in the game.
#include "app/board_frame.h"
#include "resource.h"

void BoardFrame::ShowVersion() {
    CDialog dialog(IDD_VERSION);
    dialog.DoModal();
}
