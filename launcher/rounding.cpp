#include "launcher/rounding.h"
