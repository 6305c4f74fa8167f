#include "engine/app_state.h"

int g_cnCharsOn = 1;
int g_cnPunctOn = 0;
int g_enCharsOn = 1;
int g_enPunctOn = 0;

Count g_cnChars = 0.0;
Count g_cnPunct = 0.0;
Count g_enChars = 0.0;
Count g_enPunct = 0.0;
Count g_words = 0.0;
Count g_charsNoSpace = 0.0;
