#pragma once

#include "multimedia.h"

#include <memory>

namespace pelmora {

// The platform's own sound output.
std::unique_ptr<Multimedia> makeSystemMultimedia();

} // namespace pelmora
