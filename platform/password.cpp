#include "platform/password.h"

char passwordText[80];
int32_t passwordLength;
