#include "Go.h"

int main() { return Go(); }
