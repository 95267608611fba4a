#pragma once

// Registers the resources compiled into the desktop program's library (help pages, pop-up
// texts, licence). A static library's resources are not registered by themselves; calling
// this more than once does nothing more.
void InitAppResources();
