#pragma once
// Starting and stopping the GL 1.1 subset in the current OpenGL ES 3.0
// context, and Mesa's table again after it.

#include <string>

namespace tev::platform {

// Starts the subset in the current context (an OpenGL ES 3.0 one) and makes
// it answer the layers' calls. False, with the reason, when the context
// cannot run it.
bool startSubsetPipeline(std::string* error);
// Deletes what the subset made in the current context and gives the calls
// back to Mesa's pipeline. Safe when not started.
void stopSubsetPipeline();

}  // namespace tev::platform
