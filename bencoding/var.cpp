#include "bencoding/var.h"
