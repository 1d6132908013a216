// Resource identifiers, shared by Zendrik.rc and the code; macros because the resource
// compiler reads this file too.
#pragma once

// Above 16, which Windows keeps for the manifests its loader reads by itself.
#define IDR_VISUAL_STYLES_MANIFEST 100

#define IDR_IMAGE_NEW 101
#define IDR_IMAGE_DELETE 102
#define IDR_IMAGE_RENAME 103
#define IDR_IMAGE_SAVE 104
#define IDR_IMAGE_OPEN 105
#define IDR_IMAGE_DONATE 106
#define IDR_IMAGE_IMPORT 107
