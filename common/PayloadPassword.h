// The password of every entry of the installer's embedded payload archive.
#pragma once

constexpr const char* PayloadPassword = "{5C1E7A24-9B3D-4F60-A8E2-17D4C9B0F3A6}";
