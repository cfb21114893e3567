#pragma once
// Everything of the dialog framework in one include.
#include "framework/App.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"
