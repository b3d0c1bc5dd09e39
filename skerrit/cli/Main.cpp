// Entry point of the Skerrit console program (the command line comes with the front end).
int main() { return 1; }
