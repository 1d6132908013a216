// Resource identifiers, shared by Zendrik.rc and the code; macros because the resource
// compiler reads this file too.
#pragma once

#define IDR_IMAGE_NEW 101
#define IDR_IMAGE_DELETE 102
#define IDR_IMAGE_RENAME 103
#define IDR_IMAGE_SAVE 104
#define IDR_IMAGE_OPEN 105
#define IDR_IMAGE_DONATE 106
