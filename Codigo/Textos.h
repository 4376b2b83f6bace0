// Texts several messages share. Literals, so that they join the texts around them.
#pragma once

#define KV_MAKER_LINE_PT "Corvane Lathi - Soluções para o Mercado Financeiro"
#define KV_MAKER_LINE_EN "Corvane Lathi - Solutions for the Financial Market"
#define KV_MAKER_WEB "www.corvanelathi.example"
