// The program's version, in the one place that the resources and the release scripts read.
#pragma once

#define SHINKEI_VERSION_NUMBERS 1, 27, 0, 0
#define SHINKEI_VERSION_TEXT "1.27"
#define SHINKEI_COPYRIGHT "Copyright (C) 2026 The Shinkei project"
