;------------------------------------------------------------
;  Datei:           hallowelt.asm
;  Beschreibung:    automatisch erzeugtes Programmgerüst
;
;  Prozessor:       z.B. 80C49, 2KiB ROM
;  Taktfrequenz:    z.B. 2 MHz
;
;  erzeugt von:     8048 Assembler (zorvin.exe)
;  erstellt am:     07.12.2026
;  geändert am:     07.12.2026
;  Autor:           pi
;------------------------------------------------------------

ORG 0
   JMP START

ORG 3
   JMP ISR

ORG 7
   JMP TIMER

ISR:
   NOP
   ;... Dein Code ...
   RETR

TIMER:
   NOP
   ;... Dein Code ...
   RETR

START:
   SEL RB0
   SEL MB0

HAUPT:
   NOP
   ;... Dein Code ...
   JMP HAUPT

END
; The generated example program, followed by what it assembles to.
; ! listing: 000 04 0D
; ! listing: 003 04 09
; ! listing: 007 04 0B
; ! listing: 009 00
; ! listing: 00A 93
; ! listing: 00B 00
; ! listing: 00C 93
; ! listing: 00D C5
; ! listing: 00E E5
; ! listing: 00F 00
; ! listing: 010 04 0F
; ! image: 04 0D 00 04 09 00 00 04 0B 00 93 00 93 C5 E5 00 04 0F
