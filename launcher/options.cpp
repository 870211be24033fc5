#include "launcher/options.h"
