#include "ui/form1.h"

#include "watch/task_list.h"

Form1::Form1(Toolkit& toolkit, ProcessEnumerator& processes)
    : toolkit_(toolkit), processes_(processes), tick_(toolkit, processes) {}

// "Update task list". Also called by start-up; each tick refreshes the list the
// same way itself (watch/watch_tick.cpp).
void Form1::Command1_Click() {
    refreshTaskList(toolkit_, processes_);
}

void Form1::Timer1_Timer() {
    tick_.run();
}
