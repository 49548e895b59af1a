/* Link option of every program on the host: the platform's end marker of the code
   (section .code_end_marker, one word) goes right after the last code section, so that it is
   the last word of the program's executable segment (Tarvo_GetCodeRange). Added to the default
   linker script, not replacing it. */
SECTIONS
{
  .code_end_marker : { KEEP(*(.code_end_marker)) }
}
INSERT AFTER .fini;
