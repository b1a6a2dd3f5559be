// The whole of one layer's library linked with only the layers below it: a
// layer that calls into a layer above fails to link here.
int main() { return 0; }
