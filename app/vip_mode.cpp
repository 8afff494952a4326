#include "app/vip_mode.h"

int startedFromVipClient = 0;
