#pragma once

#include "expression/BuildTypes.h"

// Builds the new names in the style the format asks for.
BuildResult buildPlan(const QString& formatText, const BuildContext& context);
