// camview serve on Linux: the service's face over the stand-in's container.
#pragma once

#include <string>

#include "host/core/CamviewOptions.h"

// modulePath: the control module, registered when needed.
int RunServe(const CamviewOptions& options, const std::string& modulePath);
