// Url and title rules: see url_policy.h.
#include "app/url_policy.h"
