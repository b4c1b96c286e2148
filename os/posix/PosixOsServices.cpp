// Filled in by the OS-services work.
