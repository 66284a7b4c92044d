/* Stands in for a cmd.exe or reg.exe planted beside the program: it only says so. */
#include <stdio.h>

int main(void) {
    puts("PLANTED");
    return 0;
}
