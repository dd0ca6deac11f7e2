// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_TWINSTALL 102  // window and file icon
#define IDI_TRAY 200       // notification icon
