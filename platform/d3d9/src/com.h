// Reference counting shared by the stand-in's objects.
#pragma once
#include <win32_com.h>
