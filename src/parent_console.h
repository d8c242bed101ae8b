#pragma once

namespace kvo {

// Points standard output and error that lead nowhere at the console of the program that started
// this one, if it has one: kvo.exe is a window program, which Windows starts without a console
// of its own, so that a double-click opens no console window.
void useParentConsole();

}  // namespace kvo
