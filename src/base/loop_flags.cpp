#include "base/loop_flags.h"

volatile sig_atomic_t sig_quit = 0;
volatile sig_atomic_t sig_resize = 0;
volatile sig_atomic_t sig_timer = 0;
volatile sig_atomic_t sig_child = 0;
volatile sig_atomic_t sig_quit_cause = 0;
