#pragma once
// The second process of the cross-process mutex tests (the test program started again with
// "--child <role> <args...>"). Roles:
//   hold <name> <acquired event> <release event>: lock, signal, wait for release, unlock
//   abandon <name> <acquired event>: lock, signal, end without unlocking
//   create <name>: construct the mutex (the test arranges for the system to refuse it)
int RunMutexChild(int argc, char** argv);
