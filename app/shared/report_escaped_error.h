#pragma once

#include <functional>

class Toolkit;

// Runs one handler at an adapter's boundary. Whatever it lets escape is reported
// (a line on standard error and a "Run-time error:" box) and ends the program
// with the failure status, so nothing unwinds into the toolkit's event loop.
void runReportingErrors(Toolkit& toolkit, const std::function<void()>& handler);
