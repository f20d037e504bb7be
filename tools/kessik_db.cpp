#include <cstdio>

int main() {
  std::puts("kessik-db: database work without a display");
  return 0;
}
