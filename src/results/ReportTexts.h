#pragma once
// The report's texts are numbered texts of the string table; their ids (report_text::kTitle,
// ...) are declared with the program's other texts.
#include "core/Language.h"
