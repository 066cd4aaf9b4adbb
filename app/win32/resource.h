#pragma once

// Resource ids shared by lingerjob.rc and the code.
#define IDI_LINGERJOB 1
