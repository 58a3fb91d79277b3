#include "app/FirstInstance.h"

FirstInstance::FirstInstance() {
    handle_.reset(CreateSemaphoreA(nullptr, 0, 1, kName));
    error_ = GetLastError();
    alreadyExisted_ = handle_ && error_ == ERROR_ALREADY_EXISTS;
}
