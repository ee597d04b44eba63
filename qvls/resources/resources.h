#pragma once
// The program's own window definitions and pictures.

#include <span>

#include "platform/runtime/resources.h"

std::span<const qv::rt::EmbeddedFile> qvlsResources();

namespace qv::qvls {
// Hands the program's resources to the resource store; safe to call twice.
void registerResources();
} // namespace qv::qvls
