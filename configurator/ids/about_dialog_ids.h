// Id of Knobset's about box, shared by about_dialog.rc and the code.
#pragma once

#define IDD_ABOUT 121
