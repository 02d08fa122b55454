# Sourced by run-demo.sh and run-tests.sh before they run 32-bit x86
# programs. Where the kernel runs no 32-bit code, or when asked with
# --emulate-i386, install-deps.sh has registered qemu-user with binfmt_misc;
# two settings then keep the emulated software GL driver in step with the
# native one:
#  - QEMU_CPU=Nehalem: under qemu's default CPU model the driver filters
#    textures bilinearly with other results than on real processors (the
#    model's 64-bit-only features are taken off, which the 32-bit emulator
#    would otherwise warn about at every start);
#  - LP_NUM_THREADS=0: the driver's render threads now and then deadlock in a
#    read-back under the emulator, so it renders on the calling thread.
# Without the emulator's entry nothing is set.
if grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null; then
  export QEMU_CPU=${QEMU_CPU:-Nehalem,-syscall,-lm}
  export LP_NUM_THREADS=${LP_NUM_THREADS:-0}
  echo "32-bit x86 programs run through qemu-i386 (QEMU_CPU=$QEMU_CPU LP_NUM_THREADS=$LP_NUM_THREADS)"
fi
