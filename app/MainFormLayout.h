// The wizard window's description: every control of its five pages.
#pragma once

#include "Layout.h"

extern const FormDesc MainFormLayout;

// Page indices of the wizard.
enum WizardPage { pgLicense = 0, pgWarning = 1, pgFolders = 2, pgSettings = 3, pgInstall = 4, pgCount = 5 };
