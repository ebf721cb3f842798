// A DLL of no content of its own (the runtime's entry point only), built beside the port test,
// which starts in this folder too: the DLL a program must not load from its own folder or from
// the current directory once the DLL search is restricted.
