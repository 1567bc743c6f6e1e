#pragma once
// Shared by the window's setup files: the main-window field behind each factor and flow field.
#include "app/Zelvo730_Main.h"
#include "setup/FactorFields.h"

double *FactorMember(TForm1 &f, zelvo::TFactorField id);
