#include "embedded.h"
