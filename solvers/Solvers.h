#pragma once
// The task solvers: each reads TaskParams, rewrites "opt.out" and fills the
// chart buffers. Pairs that share every formula share one source.

void Task101();
void Task102();
void Task103();
void Task104();
void Task105();
void Task106();
void Task107();
void Task108();
void Task109();
void Task110();
void Task111();
void Task112();
void Task113();
void Task114();
void Task115();
void Task116();
void Task117();
void Task118();
void Task119();
void Task120();
void Task121();
void Task122();
void Task123();
void Task124();
void Task125();
