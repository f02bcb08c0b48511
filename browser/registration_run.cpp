#include "browser/registration_run.h"

bool RegistrationRun::Begin() {
  if (IsRunning()) return false;
  attemptsLeft_ = kAttempts;
  return true;
}

bool RegistrationRun::Attempt() {
  if (!IsRunning()) return false;
  --attemptsLeft_;
  if (link_.TryRegisterForEchoes()) attemptsLeft_ = 0;
  return IsRunning();
}
