// camview.exe serve: the service's face over the OLE container.
#pragma once

#include <string>

#include "host/core/CamviewOptions.h"

int RunServe(const CamviewOptions& options, const std::string& modulePath);
