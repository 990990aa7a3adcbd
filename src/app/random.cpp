#include "app/random.h"
