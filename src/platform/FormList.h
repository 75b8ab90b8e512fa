// The toolkit's own record of its windows, kept by Forms.cpp and read by the event loop: which are
// loaded, which runs modally. Not for the windows themselves.
#pragma once

#include <vector>

class Form;

// The loaded windows, in the order they were loaded.
const std::vector<Form *> &LoadedForms();
bool IsLoadedForm(const Form *Candidate);
// A modal run of a window begins and ends; while one is active, the windows beneath take no input.
void EnterModal(Form *Window);
void LeaveModal(Form *Window);
bool TakesInput(const Form *Target);
