// Skin geometry: see skin_geometry.h.
#include "ui/skin_geometry.h"
