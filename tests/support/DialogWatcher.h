#pragma once

// Guards the test executables against dialogs nobody answers: a modal dialog
// that opens while the test did not say it expects one fails the test at once
// and is closed, so that the call that opened it returns instead of waiting
// until CI's time limit.
namespace testsupport {

// The test is about to open one modal dialog and will answer it itself
// (onModal and callModal in ModalCall.h say so for their dialog).
void expectDialog();

// Installed once by the tests' main(); forgets what a test expected when the
// next test starts.
void installDialogWatcher();

} // namespace testsupport
