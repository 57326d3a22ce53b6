// The unpacker window's description: its status line, its progress bar and its hidden Cancel.
#pragma once

#include "Layout.h"

extern const FormDesc UnpackerLayout;
