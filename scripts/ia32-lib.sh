# What the scripts say where the host cannot run the shipped 32-bit build
# (see ia32-probe.sh). Source it.
HR_IA32_SKIPPED="this host cannot run 32-bit x86 code: the shipped build's suites were skipped; the x86_64 twin's ran"
HR_IA32_RUN_TWIN="this host cannot run 32-bit x86 code: showing the tool's x86_64 twin (the same sources) instead of the shipped 32-bit build"
