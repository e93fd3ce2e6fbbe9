// Value reads of the reader (stub).
#pragma once
