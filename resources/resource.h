// Resource identifiers shared by the .rc script and the windows.
#pragma once

#define IDI_APP 101
#define IDB_BANNER_MAIN 201
#define IDB_BANNER_ACK 202
