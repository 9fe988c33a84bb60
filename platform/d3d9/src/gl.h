// OpenGL 3.3 core entry points, as the system's libGL exports them.
#pragma once
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
