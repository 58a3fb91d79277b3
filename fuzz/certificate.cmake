# Bad input for the configuration file: deciphering and parsing whatever the file holds.
fennel_fuzzer(certificate_fuzzer LIBS certificate)
