#include "viewer/ViewerState.h"

ViewerState viewer;
