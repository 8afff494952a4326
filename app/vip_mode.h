// Whether the VIP client started us ("-startfrom:zvvip"). Set once, never cleared; the
// window, the page host and the relay dispatch read it.
#pragma once

extern int startedFromVipClient;
