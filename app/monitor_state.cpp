#include "app/monitor_state.h"

int32_t sound_flag = 1;
int32_t kstr_flag = 0;
