// Placeholder until the window lands.
#include "main_window.h"
